// Setting entry: the main window fields and their record routines.
