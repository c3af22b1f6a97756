#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// JSON made to hurt a parser, for tests and the benchmark: keys chosen to share one hash value.
namespace tapeloft::samples {

// The object key hash the parser once used: unkeyed, so anyone could compute it. Kept to prove that
// collidingKeysObject really collides for it.
std::uint32_t unkeyedKeyHash(std::u16string_view key);

// {"k1":0,"k2":0,...} with `count` distinct keys of sixteen characters U+0100 ... U+01FF that all give
// one unkeyedKeyHash value, as UTF-8.
std::string collidingKeysObject(int count);
// The same shape with ordinary keys: as many, as long, from the same characters.
std::string ordinaryKeysObject(int count);

} // namespace tapeloft::samples
