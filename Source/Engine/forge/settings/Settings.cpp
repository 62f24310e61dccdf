#include "forge/settings/Settings.h"

#include "forge/properties/JsonReading.h"

#include "Platform/runtime/Assert.h"
#include "Platform/runtime/Paths.h"

#include <nlohmann/json.hpp>

#include <fstream>
#include <stdexcept>
#include <system_error>
#include <tuple>
#include <vector>

namespace fs = std::filesystem;

namespace Kiln
{
    namespace
    {
        struct SettingsState
        {
            Kiln::EngineConfiguration configuration;
            fs::path executableDirectory;
            fs::path settingsFile;
            fs::path engineAssetsPath;
            fs::path gameAssetsPath;
            fs::path cookedPath;
            // As written: "" would name the executable's own folder.
            std::string gameAssetsValue;
            std::string cookedValue;
        };

        SettingsState& State()
        {
            static SettingsState state;
            return state;
        }

        // Joined onto the executable folder (an absolute value replaces it), then
        // normalised without touching the file system.
        fs::path AssetRoot(const std::string& aValue)
        {
            // The system would read the path only up to it, and every file under it as it.
            if (aValue.find('\0') != std::string::npos)
                throw std::runtime_error("the path holds a NUL character, which no file name can");
            const fs::path joined = State().executableDirectory / Plat::Runtime::ToPortableSeparators(aValue);
            return joined.lexically_normal();
        }

        // Runs aRead, naming the key (as "\"parent\".\"key\"" for a nested one) in any error it raises.
        template <typename Read>
        decltype(auto) ReadKey(const std::string& aKey, Read&& aRead)
        {
            return impl::WithContext("key " + aKey, aRead);
        }

        std::string Quoted(const char* aParent, const char* aKey)
        {
            return std::string("\"") + aParent + "\".\"" + aKey + "\"";
        }

        std::string Quoted(const char* aKey)
        {
            return std::string("\"") + aKey + "\"";
        }

        // The scan of asset roots walks the game assets path: a file-system root would make
        // it walk every mounted disk.
        fs::path GameAssetRoot(const std::string& aValue)
        {
            const fs::path root = AssetRoot(aValue);
            if (root.relative_path().empty())
                throw std::runtime_error("\"" + aValue + "\" names the root of the file system; the game assets need a folder of their own");
            return root;
        }

        // Sizes must be whole, non-negative pixel counts: the library would silently wrap a
        // negative number or truncate a fraction into an unusable window size.
        uint32_t ReadPixels(nlohmann::json& anObject, const char* aKey, const char* aParent)
        {
            nlohmann::json& value = anObject[aKey];
            bool whole = true;
            if (value.is_number_float())
            {
                const double d = value.get<double>();
                whole = d >= 0.0 && d <= 4294967295.0 && d == static_cast<double>(static_cast<uint64_t>(d));
            }
            else if (value.is_number_integer())
            {
                whole = value.is_number_unsigned() && value.get<uint64_t>() <= 0xFFFFFFFFull;
            }
            if (!whole)
                throw std::runtime_error(std::string("\"") + aParent + "\".\"" + aKey +
                                         "\" must be a whole number of pixels, not " + value.dump());
            return value.get<uint32_t>();
        }

        Vector2<uint32_t> ReadSize(nlohmann::json& aSize, const char* aKey)
        {
            const uint32_t w = ReadPixels(aSize, "w", aKey);
            const uint32_t h = ReadPixels(aSize, "h", aKey);
            return {w, h};
        }

        uint32_t DebugFeatureOf(const std::string& aName)
        {
            struct Named
            {
                const char* name;
                uint32_t bit;
            };
            static constexpr Named names[] = {
                {"Fps", DebugFeature::Fps},
                {"Mem", DebugFeature::Mem},
                {"Drawcalls", DebugFeature::Drawcalls},
                {"Cpu", DebugFeature::Cpu},
                {"FpsGraph", DebugFeature::FpsGraph},
                {"Filewatcher", DebugFeature::Filewatcher},
                {"OptimizeWarnings", DebugFeature::OptimizeWarnings},
                {"MemoryTrackingStackTraces", DebugFeature::MemoryTrackingStackTraces},
                {"MemoryTrackingAllAllocations", DebugFeature::MemoryTrackingAllAllocations},
            };
            for (const Named& n : names)
            {
                if (aName == n.name)
                    return n.bit;
            }
            return 0;
        }

        uint32_t ReadDebugFeatures(nlohmann::json& aValue)
        {
            uint32_t features = 0;
            if (aValue.is_null())
                return features;
            for (const std::string& name : aValue.get<std::vector<std::string>>())
            {
                if (name == "All")
                    return DebugFeature::All;
                if (name == "None")
                    return 0;
                features |= DebugFeatureOf(name);
            }
            return features;
        }

        void ReadMultisampling(nlohmann::json& aValue, uint32_t& aLevel)
        {
            if (aValue.is_null())
                return;
            const auto apply = [&aLevel](const std::string& aName) {
                if (aName == "Off")
                    aLevel = 0;
                else if (aName == "Low")
                    aLevel = 1;
                else if (aName == "Medium")
                    aLevel = 2;
                else if (aName == "High")
                    aLevel = 3;
            };
            if (aValue.is_string())
            {
                apply(aValue.get<std::string>());
                return;
            }
            for (const std::string& name : aValue.get<std::vector<std::string>>())
                apply(name);
        }

        // Reads the keys in the documented order. Lookups use the library's inserting
        // operator[], so an absent key reads as null and null counts as absent.
        void ReadDocument(nlohmann::json& aDocument)
        {
            SettingsState& state = State();
            Kiln::EngineConfiguration& config = state.configuration;

            if (aDocument.is_object() && aDocument.contains("assets_path"))
            {
                nlohmann::json& paths = aDocument["assets_path"];
                state.engineAssetsPath = ReadKey(Quoted("assets_path", "engine"), [&] { return AssetRoot(paths["engine"].get<std::string>()); });
                state.gameAssetsPath = ReadKey(Quoted("assets_path", "game"), [&] {
                    state.gameAssetsValue = paths["game"].get<std::string>();
                    return GameAssetRoot(state.gameAssetsValue);
                });
                nlohmann::json& cooked = paths["cooked"];
                if (!cooked.is_null())
                {
                    state.cookedPath = ReadKey(Quoted("assets_path", "cooked"), [&] {
                        state.cookedValue = cooked.get<std::string>();
                        return AssetRoot(state.cookedValue);
                    });
                }
            }

            nlohmann::json& window = aDocument["window_settings"];
            if (!window.is_null())
            {
                const std::string title = ReadKey(Quoted("window_settings", "title"), [&] { return window["title"].get<std::string>(); });
                if (!title.empty())
                    config.myApplicationName = ToWideString(title);

                nlohmann::json& clear = window["clear_color"];
                if (!clear.is_null())
                {
                    // Read in this order, so the first faulty component decides the error.
                    const std::pair<const char*, float*> components[] = {
                        {"a", &config.myClearColor.a},
                        {"b", &config.myClearColor.b},
                        {"g", &config.myClearColor.g},
                        {"r", &config.myClearColor.r},
                    };
                    for (const auto& [key, target] : components)
                        *target = ReadKey(Quoted("clear_color", key), [&] { return impl::ReadJsonFloat(impl::RequiredMember(clear, key)); });
                }

                nlohmann::json& windowSize = window["window_size"];
                nlohmann::json& renderSize = window["render_size"];
                if (!windowSize.is_null())
                {
                    config.myWindowSize = ReadSize(windowSize, "window_size");
                    config.myRenderSize = renderSize.is_null() ? config.myWindowSize : ReadSize(renderSize, "render_size");
                }
                else if (!renderSize.is_null())
                {
                    config.myRenderSize = ReadSize(renderSize, "render_size");
                    config.myWindowSize = config.myRenderSize;
                }
            }

            nlohmann::json& vsync = aDocument["enable_vsync"];
            if (!vsync.is_null())
                config.myEnableVSync = ReadKey(Quoted("enable_vsync"), [&] { return vsync.get<bool>(); });

            if (!window.is_null())
            {
                const std::pair<const char*, bool*> flags[] = {
                    {"start_in_fullscreen", &config.myStartInFullScreen},
                    {"start_maximized", &config.myStartMaximized},
                    {"borderless", &config.myBorderless},
                };
                for (const auto& [key, target] : flags)
                {
                    nlohmann::json& value = window[key];
                    if (!value.is_null())
                        *target = ReadKey(Quoted("window_settings", key), [&] { return value.get<bool>(); });
                }
            }

            config.myDebugFeatures = ReadKey(Quoted("debug_features"), [&] { return ReadDebugFeatures(aDocument["debug_features"]); });
            ReadKey(Quoted("multisampling"), [&] { ReadMultisampling(aDocument["multisampling"], config.myMultisampling); });
        }
    }

    bool LoadSettings(const std::string& aSettingsFileName)
    {
        SettingsState& state = State();
        const fs::path executable = Plat::Runtime::ExecutablePath();
        if (executable.empty())
        {
            KILN_ASSERT(false && "GetModuleFileName failed in Kiln::LoadSettings");
            return false;
        }
        state.executableDirectory = executable.parent_path();

        std::string name = aSettingsFileName;
        if (name.find('.') == std::string::npos)
            name += ".json";
        const fs::path file = Plat::Runtime::ResolveCase(fs::path(state.executableDirectory.string() + "\\settings\\" + name));
        state.settingsFile = file;

        std::ifstream stream(file, std::ios::binary);
        if (!stream.is_open())
        {
            KILN_ASSERT(false && "Could not open project settings file in Kiln::LoadSettings");
            return false;
        }

        try
        {
            nlohmann::json document = impl::ParseJson(stream);
            ReadDocument(document);
        }
        catch (...)
        {
            std::throw_with_nested(std::runtime_error("settings file \"" + file.string() + "\""));
        }
        return true;
    }

    std::wstring ToWideString(const std::string& aText)
    {
        return Plat::Runtime::ToWide(aText);
    }

    namespace Settings
    {
        Kiln::EngineConfiguration& EngineConfiguration()
        {
            return State().configuration;
        }

        const fs::path& ExecutableDirectory()
        {
            return State().executableDirectory;
        }

        const fs::path& EngineAssetsPath()
        {
            return State().engineAssetsPath;
        }

        const fs::path& GameAssetsPath()
        {
            return State().gameAssetsPath;
        }

        const fs::path& CookedPath()
        {
            return State().cookedPath;
        }

        std::string ResolveAssetPath(std::string_view aRelativePath)
        {
            SettingsState& state = State();
            const std::string relative = Plat::Runtime::ToPortableSeparators(aRelativePath);
            const auto found = [](const fs::path& aCandidate, fs::path& aResolved) {
                std::error_code ec;
                aResolved = Plat::Runtime::ResolveCase(aCandidate);
                return fs::exists(aResolved, ec) && !fs::is_directory(aResolved, ec);
            };

            fs::path resolved;
            // Before LoadSettings the executable directory is empty, so "data/" is then
            // relative to the working directory.
            const fs::path dataDirectory = state.executableDirectory / "data";
            if (found(dataDirectory / relative, resolved))
                return resolved.string();
            if (!state.gameAssetsPath.empty() && found(state.gameAssetsPath / relative, resolved))
                return resolved.string();
            if (!state.engineAssetsPath.empty() && found(state.engineAssetsPath / relative, resolved))
                return resolved.string();
            return {};
        }

        void CheckGameFolders()
        {
            const SettingsState& state = State();
            const auto refuse = [&state](const std::string& aProblem) {
                throw std::runtime_error("settings file \"" + state.settingsFile.string() + "\": " + aProblem);
            };
            // An absent key leaves its path empty; a given one is never empty once joined.
            if (state.gameAssetsPath.empty())
                refuse("key \"assets_path\" is missing; the game needs its \"game\" and \"cooked\" folders");
            if (state.cookedPath.empty())
                refuse("key " + Quoted("assets_path", "cooked") + " is missing; the game needs the folder of its shaders");
            const std::tuple<const char*, const std::string*, const fs::path*> folders[] = {
                {"game", &state.gameAssetsValue, &state.gameAssetsPath},
                {"cooked", &state.cookedValue, &state.cookedPath},
            };
            for (const auto& [key, value, folder] : folders)
            {
                if (value->empty())
                    refuse("key " + Quoted("assets_path", key) + " is empty; it must name a folder");
                // Letter case is matched loosely, as the readers under it do.
                const fs::path resolved = Plat::Runtime::ResolveCase(*folder);
                const std::string problem = Plat::Runtime::FolderProblem(resolved);
                if (!problem.empty())
                    refuse("key " + Quoted("assets_path", key) + ": \"" + resolved.string() + "\" " + problem);
            }
        }

        void ResetSettings()
        {
            State() = SettingsState{};
        }
    }
}
