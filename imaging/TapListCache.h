#pragma once
// Tap lists kept per thread for the next picture: a batch of photos of one size builds each
// direction's lists once instead of evaluating the filter anew for every file.
#include <memory>

#include "imaging/FilterTable.h"
#include "imaging/TapLists.h"

namespace pixtrel {

// The lists for these arguments: the calling thread's kept ones when it built them lately, else
// new ones (kept unless they are large). Throws as the TapLists constructor does.
std::shared_ptr<const TapLists> SharedTapLists(int sourceLength, int targetLength,
                                               FilterFunction filter, float support);

}  // namespace pixtrel
