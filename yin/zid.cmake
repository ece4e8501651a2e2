# The zid~ module: object, geometry, buffering; tests and benchmark.
