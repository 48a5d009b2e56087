# The processor the 32-bit Windows program is built for: the i486 instruction set with
# its x87 unit, nothing of the Pentium Pro (cmov, fcomi) or later, doubles computed on
# the x87. Tuned for the Pentium, the usual processor of the Windows 95 family's
# machines. The tests of the shared core as i486 code (tests/i486) use the same flags.
set(LUMOX_I486_FLAGS "-march=i486 -mtune=pentium -mfpmath=387")
