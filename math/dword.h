#pragma once

#include <cstdint>

// The 32-bit unsigned integer of packed colours, counts and identifiers.
using dword = std::uint32_t;
