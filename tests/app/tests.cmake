# Application shell tests.
