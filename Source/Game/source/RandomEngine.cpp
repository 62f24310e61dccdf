#include "RandomEngine.h"

std::mt19937 gRandomEngine{std::random_device{}()};
