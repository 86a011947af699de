#pragma once

// Stops the fuzzer at once, as a crash it reports with the input, when a property does not hold.
inline void Require(bool condition) {
    if (!condition)
        __builtin_trap();
}
