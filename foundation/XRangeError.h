// The shared range exception: thrown by value by every checked access of a container (index,
// stack, queue, stream). Its text is empty; the message that matters is in the error log.
#pragma once

#include <exception>

class XRangeError : public std::exception {
public:
    const char* what() const noexcept override { return ""; }
};
