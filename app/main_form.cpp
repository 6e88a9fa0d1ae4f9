// Arrives with its issue.
