// Alignment screens.
