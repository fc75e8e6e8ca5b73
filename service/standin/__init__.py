"""Stand-in for the operator's configuration, telemetry and download service."""
