// What the facts read from any image must satisfy, however damaged the image: shared by the
// damaged-header test and the native fuzz target. Pure: no Windows header.
#pragma once

#include <string>

#include "checker/pe_image.h"

// "" when `facts` can have come from `image`, else the property they break.
std::string PeFactsFault(const std::string& image, const PeFacts& facts);

// Whether two inspections found the same.
bool SameFacts(const PeFacts& a, const PeFacts& b);
