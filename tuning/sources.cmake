# Sources of the tuning library that compile without Qt (paths relative to this folder).
# The Linux build and the Windows builds compile the same lists.

# The RWIN proposal and the reading and writing of its numbers.
set(LUMOX_TUNING_CALCULATOR_SOURCES
    rwin_rules.h rwin_rules.cpp)

# Registry access, saving and resetting; compiled together with the registry store of
# the platform.
set(LUMOX_TUNING_PORTABLE_SOURCES
    registry_access.h registry_access.cpp
    tuning_actions.h tuning_actions.cpp)

# The registry store where there is no Windows registry: an SQLite file.
set(LUMOX_TUNING_SQLITE_SOURCES
    sqlite_registry_store.h sqlite_registry_store.cpp)

# The Windows registry through advapi32.
set(LUMOX_TUNING_WIN32_SOURCES
    win32_registry_store.h win32_registry_store.cpp)
