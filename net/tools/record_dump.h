// The text form of object records laid back to back, as in an objects reply: one "record" line
// with the head, then the lines of the record's form (motion of moving types, glider, missile,
// thing and its items, hit).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace zoq::net {

// Appends the lines of every record to out. A record whose length lies outside 35..10000, runs
// past the end or does not fit its form stops the walk: false, with "record at <offset>:
// <reason>" in error.
bool DumpRecords(const uint8_t* data, std::size_t size, std::string& out, std::string& error);

} // namespace zoq::net
