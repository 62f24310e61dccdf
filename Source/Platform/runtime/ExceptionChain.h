#pragma once
// Loaders wrap a library's exception with the file it came from (std::throw_with_nested),
// so a handler can still reach the original. These turn such a chain into one line,
// outermost first: "Could not read scene object file \"a/b\": [json.exception...] ...".
#include <exception>
#include <string>

namespace Plat::Runtime
{
    // what() of anException and of every exception nested inside it, joined by ": ".
    std::string DescribeExceptionChain(const std::exception& anException);

    // The same for the exception being handled; call it inside a catch block.
    std::string DescribeCurrentException();
}
