# The lag estimator: library, tests, benchmark.
