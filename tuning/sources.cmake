# Sources of the tuning library that compile without Qt (paths relative to this folder).
set(LUMOX_TUNING_PORTABLE_SOURCES)
