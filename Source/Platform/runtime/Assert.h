#pragma once
// Assertions that stay on in every build. A failed one reports its expression, file
// and line through the current handler and then returns to the caller, which goes
// on as its own failure handling says (usually "return false").
#include <functional>
#include <string>

namespace Plat::Runtime
{
    struct AssertionReport
    {
        std::string expression;
        std::string file;
        int line = 0;
    };

    using AssertionHandler = std::function<void(const AssertionReport&)>;

    // Replaces the handler (tests record reports) and returns the one it replaced, so a
    // caller can put that back; an empty handler restores the default, which prints
    // "Assertion failed: <expr>, file <file>, line <line>" to stderr.
    AssertionHandler SetAssertionHandler(AssertionHandler aHandler);

    void ReportAssertion(const char* anExpression, const char* aFile, int aLine);
}

#define KILN_ASSERT(expr) \
    ((expr) ? (void)0 : ::Plat::Runtime::ReportAssertion(#expr, __FILE__, __LINE__))

// The same check reported under a fixed text: for conditions whose code does not read
// as the text the report is known by (a result code test, a member reached through
// another object).
#define KILN_ASSERT_AS(expr, text) \
    ((expr) ? (void)0 : ::Plat::Runtime::ReportAssertion(text, __FILE__, __LINE__))
