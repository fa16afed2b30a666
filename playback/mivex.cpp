#include "playback/mivex.h"

#include "playback/MivexEngine.h"

#include <QImage>

#include <string>
#include <vector>

// The function interface is a thin face on the engine object; the rules live there.

void mivex_configure(const MivexOptions& options) {
    MivexEngine::Instance().Configure(options);
}

int mivex_open(mivex_callbacks* callbacks) {
    return MivexEngine::Instance().Open(callbacks);
}

void mivex_subclasswindow(QWidget* window) {
    MivexEngine::Instance().SubclassWindow(window);
}

void mivex_unsubclasswindow(QWidget* window) {
    MivexEngine::Instance().UnsubclassWindow(window);
}

void mivex_close_file() {
    MivexEngine::Instance().CloseFile();
}

int mivex_open_file(const char* path, int kind, int /*reserved*/) {
    return MivexEngine::Instance().OpenFile(path, kind);
}

int mivex_video_width() {
    return MivexEngine::Instance().VideoWidth();
}

int mivex_video_height() {
    return MivexEngine::Instance().VideoHeight();
}

int mivex_play(int) {
    return MivexEngine::Instance().Play();
}

void mivex_wait_for_completion() {
    MivexEngine::Instance().WaitForCompletion();
}

int mivex_pause() {
    return MivexEngine::Instance().Pause();
}

int mivex_resume() {
    return MivexEngine::Instance().Resume();
}

int mivex_stop() {
    return MivexEngine::Instance().Stop();
}

int mivex_get_play_status() {
    return MivexEngine::Instance().PlayStatus();
}

int mivex_reached_end() {
    return MivexEngine::Instance().ReachedEnd() ? 1 : 0;
}

double mivex_curr_play_time() {
    return MivexEngine::Instance().CurrentTime();
}

double mivex_duration() {
    return MivexEngine::Instance().Duration();
}

int mivex_seek_to(double fraction) {
    return MivexEngine::Instance().SeekTo(fraction);
}

int mivex_set_play_speed(float factor) {
    return MivexEngine::Instance().SetSpeed(factor);
}

int mivex_frame_step(int forward) {
    return MivexEngine::Instance().StepFrame(forward != 0);
}

int mivex_grab_frame(const char* path) {
    return MivexEngine::Instance().GrabFrame(path);
}

QImage mivex_grab_image() {
    return MivexEngine::Instance().GrabImage();
}

void mivex_close() {
    MivexEngine::Instance().Close();
}

int mivex_add_channels(const MivexChannel* channels, int count) {
    return MivexEngine::Instance().AddChannels(channels, count);
}

int mivex_set_channel_view(const ChannelView& view) {
    return MivexEngine::Instance().SetChannelView(view);
}

ChannelView mivex_channel_view() {
    return MivexEngine::Instance().GetChannelView();
}

ChannelCanvas mivex_channel_canvas() {
    return MivexEngine::Instance().Canvas();
}

int mivex_open_drive(const char* const* paths, int count, int first) {
    if (paths == nullptr || count < 0) {
        return 0;
    }
    const std::vector<std::string> clips(paths, paths + count);
    return MivexEngine::Instance().OpenDrive(clips, first);
}

int mivex_drive_clip() {
    return MivexEngine::Instance().DriveClip();
}

int mivex_drive_clip_count() {
    return MivexEngine::Instance().DriveClipCount();
}

double mivex_drive_clip_length(int clip) {
    return MivexEngine::Instance().DriveClipLength(clip);
}

int mivex_seek_in_drive(int clip, double second) {
    return MivexEngine::Instance().SeekInDrive(clip, second);
}
