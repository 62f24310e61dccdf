#pragma once
// The outcome of the last operation of an importer: a code (0 success) and a text.
#include <string>

namespace Plat::Fbx
{
    class Status
    {
    public:
        enum class Code : int
        {
            Success = 0,
            Failure = 1,
            FileNotFound = 2,
            FileCorrupted = 3,
            InvalidParameter = 4,
        };

        Code GetCode() const { return myCode; }
        bool Error() const { return myCode != Code::Success; }
        const std::string& GetErrorString() const { return myText; }

        void SetCode(Code aCode, std::string aText)
        {
            myCode = aCode;
            myText = std::move(aText);
        }
        void Clear() { SetCode(Code::Success, ""); }

    private:
        Code myCode = Code::Success;
        std::string myText;
    };
}
