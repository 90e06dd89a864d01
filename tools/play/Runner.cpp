// The headless runner.
