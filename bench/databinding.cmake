# Benchmarks of the databinding subsystem.
