// Master screens.
