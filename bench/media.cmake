# Benchmarks of the media subsystem.
