#include "Platform/runtime/ExceptionChain.h"

#include <gtest/gtest.h>

#include <stdexcept>

using Plat::Runtime::DescribeCurrentException;
using Plat::Runtime::DescribeExceptionChain;

namespace
{
    void ThrowChain()
    {
        try
        {
            try
            {
                throw std::out_of_range("array index 3 is out of range");
            }
            catch (...)
            {
                std::throw_with_nested(std::runtime_error("Could not read \"a/b\""));
            }
        }
        catch (...)
        {
            std::throw_with_nested(std::runtime_error("Could not load scene \"levels/L1.ksc\""));
        }
    }
}

TEST(ExceptionChain, JoinsEveryNestedMessageOutermostFirst)
{
    try
    {
        ThrowChain();
        FAIL() << "nothing thrown";
    }
    catch (const std::exception& anError)
    {
        EXPECT_EQ(DescribeExceptionChain(anError),
                  "Could not load scene \"levels/L1.ksc\": Could not read \"a/b\": array index 3 is out of range");
        EXPECT_EQ(DescribeCurrentException(), DescribeExceptionChain(anError));
    }
}

TEST(ExceptionChain, NamesWhatItCannotDescribe)
{
    try
    {
        try
        {
            throw 42;
        }
        catch (...)
        {
            std::throw_with_nested(std::runtime_error("outer"));
        }
    }
    catch (const std::exception& anError)
    {
        EXPECT_EQ(DescribeExceptionChain(anError), "outer: unknown exception");
    }

    try
    {
        throw 7;
    }
    catch (...)
    {
        EXPECT_EQ(DescribeCurrentException(), "unknown exception");
    }
    EXPECT_EQ(DescribeCurrentException(), "no exception");
    EXPECT_EQ(DescribeExceptionChain(std::logic_error("plain")), "plain");
}
