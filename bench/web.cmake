# Benchmarks of the web subsystem.
