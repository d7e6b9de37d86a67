// Standard error, the log file and the progress bar of a Linux run (being written).
