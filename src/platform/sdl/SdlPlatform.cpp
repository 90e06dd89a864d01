// The SDL backend.
