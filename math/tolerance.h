#pragma once

// Vectors closer than this (strictly) compare equal.
constexpr float EqualityTolerance = 1e-8f;
