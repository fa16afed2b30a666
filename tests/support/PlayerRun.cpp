#include "PlayerRun.h"

ToolRun RunPlayer(const std::vector<std::string>& clips, int milliseconds,
                  const std::string& grab) {
    std::string command = Quoted(OSTVIK_XVFB_RUN) +
                          " -a -s '-screen 0 1280x800x24' env QTWEBENGINE_DISABLE_SANDBOX=1"
                          " QT_LOGGING_RULES='ostvik.map.info=true' " +
                          Quoted(OSTVIK_PLAYER) + " --no-audio --quit-after " +
                          std::to_string(milliseconds) + " --grab " + Quoted(grab);
    for (const std::string& clip : clips) {
        command += " " + Quoted(clip);
    }
    return Shell(command + " 2>&1");
}
