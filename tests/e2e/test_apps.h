#pragma once

#include "driver/test_files.h"

#include <string>

// A small machine: the recommended app, three others, one of them exempt,
// and two exemptions that belong to no installed app.
namespace testApps {

inline const std::string chatGptSid =
    "S-1-15-2-2710631461-3617375838-3411027704-1549916887-1211747922-3573680111-743558825";
inline const std::string weatherSid =
    "S-1-15-2-2243195455-4193787420-2577063011-1497716437-1604532932-2539939591-3050606522";
inline const std::string telegramSid =
    "S-1-15-2-3098512204-3262335738-2434116009-2217346651-3883474541-3137373396-2024567181";
inline const std::string spotifySid =
    "S-1-15-2-1581367740-1195926470-2968911224-3434766346-2917093826-1530453711-4203541096";
// An app that was uninstalled while still exempt.
inline const std::string orphanSid =
    "S-1-15-2-2085683272-3294961271-212063137-1158048709-132985788-555244625-3705787946";
// A revision 2 SID, which has no text form: the program keeps it as bytes.
inline const std::string rawSidHex = "020200000000000515000000e8030000";

inline std::string chatGptLine()
{
    return appLine(chatGptSid, "ChatGPT", "openai.codex_2p2nqsd0c76g0", "OpenAI.Codex_1.2.3.0_x64__2p2nqsd0c76g0");
}
inline std::string weatherLine()
{
    return appLine(weatherSid, "天气", "Microsoft.BingWeather_8wekyb3d8bbwe",
                   "Microsoft.BingWeather_4.53.52331.0_x64__8wekyb3d8bbwe");
}
inline std::string telegramLine()
{
    return appLine(telegramSid, "Telegram Desktop", "TelegramMessengerLLP.TelegramDesktop_t4vj0pshhgkwm",
                   "TelegramMessengerLLP.TelegramDesktop_4.12.2.0_x64__t4vj0pshhgkwm");
}
inline std::string spotifyLine()
{
    return appLine(spotifySid, "Spotify Music", "SpotifyAB.SpotifyMusic_zpdnekdrzrea0",
                   "SpotifyAB.SpotifyMusic_1.225.1127.0_x64__zpdnekdrzrea0");
}

// The small machine, with `extra` lines (fail lines, say) at the end.
inline std::string smallStore(const std::string& extra = {})
{
    return storeText({"# four apps", chatGptLine(), weatherLine(), telegramLine(), spotifyLine(),
                      "exempt " + weatherSid, "exempt " + orphanSid, "exempt-raw " + rawSidHex}) +
           extra;
}

} // namespace testApps
