#include "Platform/runtime/Paths.h"

#include <cctype>
#include <system_error>

namespace fs = std::filesystem;

namespace Plat::Runtime
{
    std::string ToPortableSeparators(std::string_view aPath)
    {
        std::string out(aPath);
        for (char& c : out)
        {
            if (c == '\\')
                c = '/';
        }
        return out;
    }

    namespace
    {
        bool EqualNoCase(const std::string& a, const std::string& b)
        {
            if (a.size() != b.size())
                return false;
            for (size_t i = 0; i < a.size(); ++i)
            {
                if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
                    return false;
            }
            return true;
        }
    }

    fs::path ResolveCase(const fs::path& aPath)
    {
        const fs::path portable = ToPortableSeparators(aPath.string());
        std::error_code ec;
        if (fs::exists(portable, ec))
            return portable;

        fs::path current = portable.has_root_path() ? portable.root_path() : fs::path();
        for (const fs::path& part : portable.relative_path())
        {
            const std::string name = part.string();
            fs::path candidate = current / part;
            if (name == "." || name == ".." || fs::exists(candidate, ec))
            {
                current = candidate;
                continue;
            }
            const fs::path dir = current.empty() ? fs::path(".") : current;
            bool matched = false;
            for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec))
            {
                const std::string entry = it->path().filename().string();
                if (EqualNoCase(entry, name))
                {
                    current /= entry;
                    matched = true;
                    break;
                }
            }
            if (!matched)
                return portable;
        }
        return current;
    }

    fs::path ResolveCase(std::string_view aPath)
    {
        return ResolveCase(fs::path(std::string(aPath)));
    }

    fs::path ExecutablePath()
    {
        std::error_code ec;
        fs::path p = fs::read_symlink("/proc/self/exe", ec);
        return ec ? fs::path() : p;
    }

    fs::path ExecutableDirectory()
    {
        return ExecutablePath().parent_path();
    }

    std::wstring ToWide(std::string_view aText)
    {
        // UTF-8 decoding; a malformed byte stands for itself so no text is lost.
        std::wstring out;
        out.reserve(aText.size());
        size_t i = 0;
        while (i < aText.size())
        {
            const auto b0 = static_cast<unsigned char>(aText[i]);
            int extra = b0 < 0x80 ? 0 : (b0 >> 5) == 0x6 ? 1 : (b0 >> 4) == 0xE ? 2 : (b0 >> 3) == 0x1E ? 3 : -1;
            unsigned long cp = extra == 0 ? b0 : extra == 1 ? (b0 & 0x1F) : extra == 2 ? (b0 & 0x0F) : (b0 & 0x07);
            bool ok = extra >= 0 && i + static_cast<size_t>(extra) < aText.size();
            for (int k = 1; ok && k <= extra; ++k)
            {
                const auto b = static_cast<unsigned char>(aText[i + static_cast<size_t>(k)]);
                if ((b & 0xC0) != 0x80)
                    ok = false;
                else
                    cp = (cp << 6) | (b & 0x3F);
            }
            if (!ok)
            {
                out.push_back(static_cast<wchar_t>(b0));
                ++i;
                continue;
            }
            out.push_back(static_cast<wchar_t>(cp));
            i += static_cast<size_t>(extra) + 1;
        }
        return out;
    }

    std::string FolderProblem(const fs::path& aFolder)
    {
        std::error_code error;
        const fs::file_status status = fs::status(aFolder, error);
        if (status.type() == fs::file_type::not_found)
            return "does not exist";
        if (error)
            return "cannot be read: " + error.message();
        if (!fs::is_directory(status))
            return "is not a folder";
        // Listing is what the readers do; a folder may exist and still refuse it.
        const fs::directory_iterator listing(aFolder, error);
        if (error)
            return "cannot be read: " + error.message();
        return {};
    }

    std::string ToNarrow(std::wstring_view aText)
    {
        std::string out;
        for (wchar_t wc : aText)
        {
            const auto cp = static_cast<unsigned long>(wc);
            if (cp < 0x80)
                out.push_back(static_cast<char>(cp));
            else if (cp < 0x800)
            {
                out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
                out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
            }
            else if (cp < 0x10000)
            {
                out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
                out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
                out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
            }
            else
            {
                out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
                out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
                out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
                out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
            }
        }
        return out;
    }
}
