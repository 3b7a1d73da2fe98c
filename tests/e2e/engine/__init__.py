"""Fixtures of the engine's end-to-end tests: local servers with the answers a browser
meets (downloads, log-in, TLS, cookies) and the windows of the engine's own dialogs."""
