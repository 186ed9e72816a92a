// Printing.
