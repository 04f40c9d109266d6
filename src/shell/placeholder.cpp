// Replaced by the shell sources.
