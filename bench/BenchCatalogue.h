#pragma once

#include <QString>

namespace kv::bench {

// Pictures in the generated benchmark catalogue. Each has two people (of
// 200) and one album (of 50); places 1-300, categories 1-40, ratings 1-5,
// dates from 01/01/1990 over about 33 years, descriptions
// "Picture N of the M trip".
inline constexpr int kPictures = 100000;

// The generated catalogue's directory: made once per run in a temporary
// directory, or kept in $KV_BENCH_CATALOGUE when that is set.
QString catalogueDir();

}  // namespace kv::bench
