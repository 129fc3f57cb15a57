#pragma once

namespace pixtrel {

// Normal: nearest-neighbour stretch. Better: filtered resampling with "Lanczos3".
enum class ResizeMethod { Normal = 0, Better = 1 };

}  // namespace pixtrel
