# Sources of the tuning library that compile without Qt (paths relative to this folder).
# The Linux build and the Windows builds compile the same lists.

# The RWIN proposal and the reading and writing of its numbers.
set(LUMOX_TUNING_CALCULATOR_SOURCES
    rwin_rules.h rwin_rules.cpp)

# Windows: the user's number format, which the calculator reads numbers in. Its header is
# included with its folder ("win32/user_number_format.h").
set(LUMOX_TUNING_WIN32_NUMBER_FORMAT_SOURCES
    win32/user_number_format.h win32/user_number_format.cpp)

# Registry access, saving and resetting; compiled together with the registry store of
# the platform.
set(LUMOX_TUNING_PORTABLE_SOURCES
    registry_access.h registry_access.cpp
    tuning_texts.h
    tuning_actions.h tuning_actions.cpp)

# The registry store where there is no Windows registry, as the Linux edition has it: an
# SQLite file.
set(LUMOX_TUNING_SQLITE_SOURCES
    sqlite/sqlite_registry_store.h sqlite/sqlite_registry_store.cpp
    sqlite/sqlite_store_schema.cpp
    sqlite/sqlite_store_batches.cpp
    sqlite/store_replace.cpp
    sqlite/store_place.cpp
    sqlite/store_texts.h
    sqlite/sqlite_statement.h sqlite/sqlite_statement.cpp
    sqlite/store_file.h sqlite/store_file.cpp)

# Windows: the registry through advapi32. Its header is included with its folder
# ("win32/win32_registry_store.h").
set(LUMOX_TUNING_WIN32_SOURCES
    win32/win32_registry_store.h win32/win32_registry_store.cpp)
