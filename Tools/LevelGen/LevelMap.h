#pragma once
// A level as its designer writes it (Assets/Levels/README.md): a few header lines, a text
// map of 100-unit cells with one character per object kind, and a table of tagged objects
// with their own values. Parsing checks the text only; LevelBuilder turns it into objects.
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

namespace LevelGen
{
    // A place in the level file, 1-based.
    struct SourcePos
    {
        int line = 0;
        int column = 0;
    };

    // "<file>:<line>:<column>: <message>"
    class LevelError : public std::runtime_error
    {
    public:
        LevelError(const std::string& aFile, SourcePos aPos, const std::string& aMessage);
        const std::string& Message() const { return myMessage; }
        SourcePos Pos() const { return myPos; }

    private:
        SourcePos myPos;
        std::string myMessage;
    };

    struct Param
    {
        std::string value;   // without quotes
        SourcePos pos;       // of the key
    };

    // key=value pairs in the order written.
    struct Params
    {
        std::vector<std::pair<std::string, Param>> items;

        const Param* Find(const std::string& aKey) const;
    };

    // A header line: "<name> key=value ...".
    struct Directive
    {
        std::string name;
        std::string argument;   // a bare word after the name (the scene path)
        Params params;
        SourcePos pos;
    };

    // A table line: "<tag>: <kind> key=value ...".
    struct TagDefinition
    {
        char tag = 0;
        std::string kind;
        Params params;
        SourcePos pos;
    };

    struct LevelMap
    {
        std::string file;                          // as given, for messages
        std::map<std::string, Directive> directives;
        std::vector<std::string> rows;             // top row first
        int firstRowLine = 0;                      // file line of rows[0]
        std::map<char, TagDefinition> tags;

        int Width() const;
        int Height() const { return int(rows.size()); }
        // The character of a cell (' ' outside a short row).
        char At(int aColumn, int aRow) const;
        // The file position of a cell.
        SourcePos PosOf(int aColumn, int aRow) const { return {firstRowLine + aRow, aColumn + 1}; }
        const Directive* FindDirective(const std::string& aName) const;
    };

    // Throws LevelError on malformed text.
    LevelMap ParseLevelMap(const std::string& aText, const std::string& aFileName);
    // Reads and parses a file; an unreadable file is a LevelError at line 0.
    LevelMap LoadLevelMap(const std::string& aPath);

    // The legend: the object kind of a map character ("" for empty cells and tags).
    std::string KindOfCharacter(char aCharacter);
    bool IsTagCharacter(char aCharacter);
    bool IsEmptyCharacter(char aCharacter);
}
