#include "Platform/fbx/AsciiReader.h"

#include "Platform/fbx/FormatError.h"

#include <charconv>
#include <optional>

namespace Plat::Fbx
{
    namespace
    {
        enum class TokenKind
        {
            End,
            Key,      // word followed by ':'
            Word,     // bare word (T, Y, ...)
            Number,
            String,
            Comma,
            Star,
            Open,
            Close,
        };

        struct Token
        {
            TokenKind kind = TokenKind::End;
            std::string_view text;
            int line = 1;
        };

        // Anything but blanks, punctuation, quotes and comments belongs to a word, so records
        // holding values we do not understand still read (and are skipped by the scene).
        bool IsWordChar(char c)
        {
            switch (c)
            {
            case ' ': case '\t': case '\r': case '\n': case '\f': case '\v':
            case ',': case '{': case '}': case '"': case ';': case ':': case '*':
                return false;
            default: return true;
            }
        }

        bool IsNumberStart(char c) { return (c >= '0' && c <= '9') || c == '-' || c == '+' || c == '.'; }

        class Lexer
        {
        public:
            explicit Lexer(std::string_view aText) : myText(aText) {}

            Token Next()
            {
                if (myPeeked)
                {
                    Token t = *myPeeked;
                    myPeeked.reset();
                    return t;
                }
                return Scan();
            }

            const Token& Peek()
            {
                if (!myPeeked)
                    myPeeked = Scan();
                return *myPeeked;
            }

            int Line() const { return myLine; }

        private:
            Token Scan()
            {
                SkipBlanks();
                Token token;
                token.line = myLine;
                if (myPos >= myText.size())
                    return token;
                const char c = myText[myPos];
                switch (c)
                {
                case ',': return Single(token, TokenKind::Comma);
                case '*': return Single(token, TokenKind::Star);
                case '{': return Single(token, TokenKind::Open);
                case '}': return Single(token, TokenKind::Close);
                case '"':
                {
                    const size_t close = myText.find('"', myPos + 1);
                    if (close == std::string_view::npos)
                        throw FormatError("line " + std::to_string(myLine) + ": string is not closed");
                    token.kind = TokenKind::String;
                    token.text = myText.substr(myPos + 1, close - myPos - 1);
                    for (char s : token.text)
                        myLine += s == '\n';
                    myPos = close + 1;
                    return token;
                }
                default: break;
                }
                if (c == ':')
                {
                    // A colon that follows no name is just text.
                    return Single(token, TokenKind::Word);
                }
                const size_t start = myPos;
                while (myPos < myText.size() && IsWordChar(myText[myPos]))
                    ++myPos;
                token.text = myText.substr(start, myPos - start);
                if (myPos < myText.size() && myText[myPos] == ':')
                {
                    ++myPos;
                    token.kind = TokenKind::Key;
                }
                else
                {
                    token.kind = IsNumberStart(c) ? TokenKind::Number : TokenKind::Word;
                }
                return token;
            }

            Token Single(Token aToken, TokenKind aKind)
            {
                aToken.kind = aKind;
                aToken.text = myText.substr(myPos, 1);
                ++myPos;
                return aToken;
            }

            void SkipBlanks()
            {
                while (myPos < myText.size())
                {
                    const char c = myText[myPos];
                    if (c == '\n')
                    {
                        ++myLine;
                        ++myPos;
                    }
                    else if (c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v')
                        ++myPos;
                    else if (c == ';')
                    {
                        while (myPos < myText.size() && myText[myPos] != '\n')
                            ++myPos;
                    }
                    else
                        break;
                }
            }

            std::string_view myText;
            size_t myPos = 0;
            int myLine = 1;
            std::optional<Token> myPeeked;
        };

        bool LooksIntegral(std::string_view aText)
        {
            return aText.find_first_of(".eE") == std::string_view::npos;
        }

        class AsciiParser
        {
        public:
            explicit AsciiParser(std::string_view aText) : myLexer(aText) {}

            Document Parse()
            {
                Document doc;
                while (myLexer.Peek().kind != TokenKind::End)
                {
                    if (myLexer.Peek().kind == TokenKind::Close)
                        Fail(myLexer.Peek(), "'}' without a matching '{'");
                    doc.root.children.push_back(ParseRecord(1));
                }
                if (doc.root.children.empty())
                    throw FormatError("the file holds no FBX records");
                doc.version = FindVersion(doc.root);
                if (doc.version < 7000 || doc.version >= 8000)
                    throw FormatError("FBX version " + std::to_string(doc.version) + " is not supported (7.x only)");
                return doc;
            }

        private:
            [[noreturn]] static void Fail(const Token& aToken, const std::string& aWhat)
            {
                throw FormatError("line " + std::to_string(aToken.line) + ": " + aWhat);
            }

            static uint32_t FindVersion(const Element& aRoot)
            {
                if (const Element* header = aRoot.FindChild("FBXHeaderExtension"))
                    if (const Value* version = header->FindChildValue("FBXVersion"))
                    {
                        const int64_t v = version->AsInt64(-1);
                        if (v >= 0 && v < 100000)
                            return static_cast<uint32_t>(v);
                    }
                throw FormatError("no FBXVersion in FBXHeaderExtension: not an FBX 7.x file");
            }

            Element ParseRecord(int aDepth)
            {
                const Token key = myLexer.Next();
                if (key.kind != TokenKind::Key)
                    Fail(key, "expected a record name followed by ':'");
                if (aDepth > MaxRecordDepth)
                    Fail(key, "records nested deeper than " + std::to_string(MaxRecordDepth));
                Element element;
                element.name = std::string(key.text);

                // Values run until the next record name or block; commas are separators only, so a
                // list may start with one (embedded "Content: ," continues on the next line),
                // end with one, or spread over any number of lines.
                for (;;)
                {
                    const TokenKind next = myLexer.Peek().kind;
                    if (next == TokenKind::Comma)
                        myLexer.Next();
                    else if (IsValueStart(next))
                        element.values.push_back(ParseValue(element.name));
                    else
                        break;
                }
                if (myLexer.Peek().kind == TokenKind::Open)
                {
                    myLexer.Next();
                    for (;;)
                    {
                        const Token& next = myLexer.Peek();
                        if (next.kind == TokenKind::Close)
                        {
                            myLexer.Next();
                            break;
                        }
                        if (next.kind == TokenKind::End)
                            Fail(next, "file ends inside '" + element.name + "'");
                        element.children.push_back(ParseRecord(aDepth + 1));
                    }
                }
                return element;
            }

            static bool IsValueStart(TokenKind aKind)
            {
                return aKind == TokenKind::Number || aKind == TokenKind::String || aKind == TokenKind::Word ||
                       aKind == TokenKind::Star;
            }

            Value ParseValue(const std::string& aRecord)
            {
                const Token token = myLexer.Next();
                switch (token.kind)
                {
                case TokenKind::String: return std::string(token.text);
                case TokenKind::Word: return std::string(token.text);
                case TokenKind::Number: return ParseNumberOrWord(token);
                case TokenKind::Star: return ParseArray(aRecord);
                default: Fail(token, "expected a value");
                }
            }

            // A word that starts like a number but is none (1.#INF, 1.2.3) stays text, so a
            // record we never read cannot fail the file.
            static Value ParseNumberOrWord(const Token& aToken)
            {
                if (std::optional<Value> number = TryNumber(aToken.text))
                    return *std::move(number);
                return std::string(aToken.text);
            }

            static Value ParseNumber(const Token& aToken)
            {
                if (std::optional<Value> number = TryNumber(aToken.text))
                    return *std::move(number);
                Fail(aToken, "'" + std::string(aToken.text) + "' is not a number");
            }

            static std::optional<Value> TryNumber(std::string_view text)
            {
                if (!text.empty() && text.front() == '+')
                    text.remove_prefix(1);
                if (LooksIntegral(text))
                {
                    int64_t value = 0;
                    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
                    if (ec == std::errc() && end == text.data() + text.size())
                        return value;
                }
                double value = 0.0;
                const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
                if (ec != std::errc() || end != text.data() + text.size())
                    return std::nullopt;
                return value;
            }

            Value ParseArray(const std::string& aRecord)
            {
                const Token countToken = myLexer.Next();
                int64_t count = -1;
                if (countToken.kind == TokenKind::Number)
                    count = ParseNumber(countToken).AsInt64(-1);
                if (count < 0 || !LooksIntegral(countToken.text))
                    Fail(countToken, "array of '" + aRecord + "' needs a count after '*'");
                const Token open = myLexer.Next();
                if (open.kind != TokenKind::Open)
                    Fail(open, "expected '{' after the array count");

                std::vector<Value> numbers;
                bool integral = true;
                if (myLexer.Peek().kind == TokenKind::Key)
                {
                    const Token a = myLexer.Next();
                    if (a.text != "a")
                        Fail(a, "expected 'a:' in the array of '" + aRecord + "'");
                    while (myLexer.Peek().kind == TokenKind::Number)
                    {
                        const Token n = myLexer.Next();
                        integral = integral && LooksIntegral(n.text);
                        numbers.push_back(ParseNumber(n));
                        if (myLexer.Peek().kind != TokenKind::Comma)
                            break;
                        myLexer.Next();
                    }
                }
                const Token close = myLexer.Next();
                if (close.kind != TokenKind::Close)
                    Fail(close, "array of '" + aRecord + "' is not closed by '}'");
                if (static_cast<int64_t>(numbers.size()) != count)
                    Fail(close, "array of '" + aRecord + "' declares " + std::to_string(count) + " values but holds " +
                                    std::to_string(numbers.size()));
                if (integral)
                {
                    std::vector<int64_t> out;
                    out.reserve(numbers.size());
                    for (const Value& v : numbers)
                        out.push_back(v.AsInt64());
                    return out;
                }
                std::vector<double> out;
                out.reserve(numbers.size());
                for (const Value& v : numbers)
                    out.push_back(v.AsDouble());
                return out;
            }

            Lexer myLexer;
        };
    }

    Document ReadAsciiDocument(std::string_view someText)
    {
        return AsciiParser(someText).Parse();
    }
}
