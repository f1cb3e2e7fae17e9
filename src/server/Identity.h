#pragma once
// What the instrument says it is: the maker and model fields of *IDN?, which
// its announcement on the network repeats in its TXT record.

namespace identity {

inline constexpr char kManufacturer[] = "DSA Project";
inline constexpr char kModel[] = "dsactl";

} // namespace identity
