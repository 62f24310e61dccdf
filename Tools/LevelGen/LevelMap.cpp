#include "LevelMap.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <set>
#include <sstream>

namespace LevelGen
{
    namespace
    {
        std::string Where(const std::string& aFile, SourcePos aPos)
        {
            return aFile + ":" + std::to_string(aPos.line) + ":" + std::to_string(aPos.column);
        }

        const std::set<std::string> theDirectives = {"scene", "player", "background", "grass"};

        bool IsSpace(char c) { return c == ' ' || c == '\t'; }

        bool IsWordChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; }

        // Reads "key=value ..." (values may be "quoted") from aLine starting at aStart.
        // A bare word is accepted once, as the directive's argument, when anArgument is given.
        Params ReadParams(const std::string& aFile, int aLineNumber, const std::string& aLine, size_t aStart, std::string* anArgument)
        {
            Params params;
            size_t i = aStart;
            while (true)
            {
                while (i < aLine.size() && IsSpace(aLine[i]))
                    ++i;
                if (i >= aLine.size() || aLine.compare(i, 2, "//") == 0)
                    break;
                const SourcePos pos{aLineNumber, int(i) + 1};
                size_t keyEnd = i;
                while (keyEnd < aLine.size() && IsWordChar(aLine[keyEnd]))
                    ++keyEnd;
                if (keyEnd < aLine.size() && aLine[keyEnd] == '=' && keyEnd > i)
                {
                    const std::string key = aLine.substr(i, keyEnd - i);
                    if (params.Find(key))
                        throw LevelError(aFile, pos, "'" + key + "' is given twice");
                    size_t v = keyEnd + 1;
                    std::string value;
                    if (v < aLine.size() && aLine[v] == '"')
                    {
                        const size_t close = aLine.find('"', v + 1);
                        if (close == std::string::npos)
                            throw LevelError(aFile, {aLineNumber, int(v) + 1}, "the quoted value of '" + key + "' has no closing quote");
                        value = aLine.substr(v + 1, close - v - 1);
                        i = close + 1;
                        if (i < aLine.size() && !IsSpace(aLine[i]))
                            throw LevelError(aFile, {aLineNumber, int(i) + 1}, "expected a blank after the quoted value of '" + key + "'");
                    }
                    else
                    {
                        size_t end = v;
                        while (end < aLine.size() && !IsSpace(aLine[end]))
                            ++end;
                        value = aLine.substr(v, end - v);
                        if (value.empty())
                            throw LevelError(aFile, {aLineNumber, int(v) + 1}, "'" + key + "' has no value");
                        i = end;
                    }
                    params.items.push_back({key, Param{value, pos}});
                    continue;
                }
                size_t end = i;
                while (end < aLine.size() && !IsSpace(aLine[end]))
                    ++end;
                const std::string word = aLine.substr(i, end - i);
                if (!anArgument || !anArgument->empty() || !params.items.empty())
                    throw LevelError(aFile, pos, "expected key=value, found '" + word + "'");
                *anArgument = word;
                i = end;
            }
            return params;
        }

        std::string Trimmed(const std::string& aText)
        {
            size_t b = 0, e = aText.size();
            while (b < e && IsSpace(aText[b]))
                ++b;
            while (e > b && IsSpace(aText[e - 1]))
                --e;
            return aText.substr(b, e - b);
        }
    }

    LevelError::LevelError(const std::string& aFile, SourcePos aPos, const std::string& aMessage)
        : std::runtime_error(Where(aFile, aPos) + ": " + aMessage)
        , myPos(aPos)
        , myMessage(aMessage)
    {
    }

    const Param* Params::Find(const std::string& aKey) const
    {
        for (const auto& [key, param] : items)
            if (key == aKey)
                return &param;
        return nullptr;
    }

    int LevelMap::Width() const
    {
        size_t width = 0;
        for (const std::string& row : rows)
            width = std::max(width, row.size());
        return int(width);
    }

    char LevelMap::At(int aColumn, int aRow) const
    {
        if (aRow < 0 || aRow >= Height() || aColumn < 0)
            return ' ';
        const std::string& row = rows[size_t(aRow)];
        return size_t(aColumn) < row.size() ? row[size_t(aColumn)] : ' ';
    }

    const Directive* LevelMap::FindDirective(const std::string& aName) const
    {
        const auto it = directives.find(aName);
        return it == directives.end() ? nullptr : &it->second;
    }

    std::string KindOfCharacter(char aCharacter)
    {
        switch (aCharacter)
        {
        case '#': return "floor";
        case 'P': return "player";
        case 'X': return "exit";
        case 'K': return "checkpoint";
        case 'E': return "enemy";
        case 'H': return "hands";
        case 'M': return "ceilinghands";
        case 'V': return "pot";
        case 'W': return "wall";
        case 'D': return "door";
        case 'B': return "button";
        case '"': return "grass";
        case '?': return "prompt";
        default: return {};
        }
    }

    bool IsTagCharacter(char aCharacter) { return aCharacter >= 'a' && aCharacter <= 'z'; }

    bool IsEmptyCharacter(char aCharacter) { return aCharacter == '.' || aCharacter == ' '; }

    LevelMap ParseLevelMap(const std::string& aText, const std::string& aFileName)
    {
        LevelMap level;
        level.file = aFileName;
        std::istringstream stream(aText);
        std::string line;
        int lineNumber = 0;
        bool inMap = false, mapDone = false;
        SourcePos mapStart;
        while (std::getline(stream, line))
        {
            ++lineNumber;
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            const std::string trimmed = Trimmed(line);
            if (inMap)
            {
                if (trimmed == "end")
                {
                    inMap = false;
                    mapDone = true;
                    continue;
                }
                if (level.rows.empty())
                    level.firstRowLine = lineNumber;
                for (size_t c = 0; c < line.size(); ++c)
                {
                    const char ch = line[c];
                    if (!IsEmptyCharacter(ch) && !IsTagCharacter(ch) && KindOfCharacter(ch).empty())
                        throw LevelError(aFileName, {lineNumber, int(c) + 1},
                                         std::string("unknown map character '") + ch + "' (see the legend in Assets/Levels/README.md)");
                }
                level.rows.push_back(line);
                continue;
            }
            if (trimmed.empty() || trimmed.compare(0, 2, "//") == 0)
                continue;
            const size_t indent = line.find_first_not_of(" \t");
            const SourcePos pos{lineNumber, int(indent) + 1};
            if (trimmed == "map")
            {
                if (mapDone)
                    throw LevelError(aFileName, pos, "a second map block");
                inMap = true;
                mapStart = pos;
                continue;
            }
            // "<tag>: <kind> ..."
            if (trimmed.size() >= 2 && trimmed[1] == ':')
            {
                const char tag = trimmed[0];
                if (!IsTagCharacter(tag))
                    throw LevelError(aFileName, pos, std::string("a table entry's tag must be a lower-case letter, not '") + tag + "'");
                if (level.tags.count(tag))
                    throw LevelError(aFileName, pos, std::string("tag '") + tag + "' is defined twice (first on line " +
                                                         std::to_string(level.tags[tag].pos.line) + ")");
                size_t k = indent + 2;
                while (k < line.size() && IsSpace(line[k]))
                    ++k;
                size_t kindEnd = k;
                while (kindEnd < line.size() && IsWordChar(line[kindEnd]))
                    ++kindEnd;
                if (kindEnd == k)
                    throw LevelError(aFileName, {lineNumber, int(k) + 1}, std::string("tag '") + tag + "' names no object kind");
                TagDefinition definition;
                definition.tag = tag;
                definition.kind = line.substr(k, kindEnd - k);
                definition.pos = pos;
                definition.params = ReadParams(aFileName, lineNumber, line, kindEnd, nullptr);
                level.tags[tag] = definition;
                continue;
            }
            // "<directive> [argument] key=value ..."
            size_t nameEnd = indent;
            while (nameEnd < line.size() && IsWordChar(line[nameEnd]))
                ++nameEnd;
            const std::string name = line.substr(indent, nameEnd - indent);
            if (!theDirectives.count(name))
                throw LevelError(aFileName, pos, "unknown line '" + trimmed + "' (expected scene, player, background, grass, map or a table entry)");
            if (level.directives.count(name))
                throw LevelError(aFileName, pos, "'" + name + "' is given twice");
            Directive directive;
            directive.name = name;
            directive.pos = pos;
            directive.params = ReadParams(aFileName, lineNumber, line, nameEnd, &directive.argument);
            level.directives[name] = directive;
        }
        if (inMap)
            throw LevelError(aFileName, mapStart, "the map block has no 'end' line");
        if (!mapDone)
            throw LevelError(aFileName, {lineNumber + 1, 1}, "the file has no map block");
        if (level.rows.empty())
            throw LevelError(aFileName, mapStart, "the map block is empty");
        if (!level.FindDirective("scene") || level.FindDirective("scene")->argument.empty())
            throw LevelError(aFileName, level.FindDirective("scene") ? level.FindDirective("scene")->pos : SourcePos{1, 1},
                             "the file names no scene (a line 'scene levels\\LevelN.ksc')");
        return level;
    }

    LevelMap LoadLevelMap(const std::string& aPath)
    {
        std::ifstream file(aPath, std::ios::binary);
        if (!file)
            throw LevelError(aPath, {0, 0}, "cannot be read");
        std::ostringstream text;
        text << file.rdbuf();
        return ParseLevelMap(text.str(), aPath);
    }
}
