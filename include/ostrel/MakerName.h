// The name under which a class's wrapper maker is found: "create_" + the class name
// with every "::" replaced by "_" + "_Wrapper" (shop::CBasket ->
// create_shop_CBasket_Wrapper).
// MakeMakerName keeps no state and may be called from any thread.
#pragma once

#include <string>
#include <string_view>

namespace Ostrel {

/// The wrapper maker name of `className`, e.g. "create_shop_CBasket_Wrapper" for
/// "shop::CBasket".
inline std::string MakeMakerName(std::string_view className) {
  std::string name = "create_";
  name.reserve(className.size() + 16);
  for (std::size_t i = 0; i < className.size(); ++i) {
    if (className[i] == ':' && i + 1 < className.size() && className[i + 1] == ':') {
      name.push_back('_');
      ++i;
    } else {
      name.push_back(className[i]);
    }
  }
  name += "_Wrapper";
  return name;
}

}  // namespace Ostrel
