#include "Platform/runtime/ExceptionChain.h"

namespace Plat::Runtime
{
    std::string DescribeExceptionChain(const std::exception& anException)
    {
        std::string text = anException.what();
        try
        {
            std::rethrow_if_nested(anException);
        }
        catch (const std::exception& inner)
        {
            text += ": ";
            text += DescribeExceptionChain(inner);
        }
        catch (...)
        {
            text += ": unknown exception";
        }
        return text;
    }

    std::string DescribeCurrentException()
    {
        const std::exception_ptr current = std::current_exception();
        if (!current)
        {
            return "no exception";
        }
        try
        {
            std::rethrow_exception(current);
        }
        catch (const std::exception& exception)
        {
            return DescribeExceptionChain(exception);
        }
        catch (...)
        {
            return "unknown exception";
        }
    }
}
