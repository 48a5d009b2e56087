# The fuzz targets, shared by the fuzz build (fuzz/CMakeLists.txt) and the replay of their
# corpora in the test suite (tests/fuzz_replay). Each target is <name>.cpp in this folder,
# with its corpus in corpus/<name>/ and the libraries it needs in LUMOX_FUZZ_LIBS_<name>.
set(LUMOX_FUZZ_TARGETS
    fuzz_rwin_calculator
    fuzz_tuning_save
    fuzz_sqlite_store
    fuzz_picture_decoder)

set(LUMOX_FUZZ_LIBS_fuzz_rwin_calculator lumox_qt)
set(LUMOX_FUZZ_LIBS_fuzz_tuning_save lumox_registry)
set(LUMOX_FUZZ_LIBS_fuzz_sqlite_store lumox_registry SQLite::SQLite3)
set(LUMOX_FUZZ_LIBS_fuzz_picture_decoder lumox_picture_decoder)
