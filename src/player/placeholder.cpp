// Replaced by the player sources.
