// The playback engine's function interface: one clip at a time, rendered into the video
// window, with its sound and the track lines its data stream carries. mivex_play and
// mivex_wait_for_completion belong to the play thread; every other call to the UI thread,
// the thread that called mivex_open.
#pragma once

#include "playback/ChannelLayout.h"

class QImage;
class QWidget;

struct mivex_callbacks {
    void (*first_event_cb)();
    void (*second_event_cb)();
    // Receives each track line of the clip's data stream as playback reaches it, on the
    // thread that called mivex_open; the line is NUL-terminated.
    int (*data_line_cb)(const char* line, int length, void* context);
    QWidget* owner_window;
    void* owner_context;
    void* reserved;
};

// How the engine meets the machine; set before mivex_open.
struct MivexOptions {
    // No picture and no sound at all: for tests and machines without a display.
    bool headless = false;
    // Picture, but no sound.
    bool noAudio = false;
};

void mivex_configure(const MivexOptions& options);

int mivex_open(mivex_callbacks* callbacks);
void mivex_subclasswindow(QWidget* window);
void mivex_unsubclasswindow(QWidget* window);
void mivex_close_file();
int mivex_open_file(const char* path, int kind, int reserved);
int mivex_video_width();
int mivex_video_height();
int mivex_play(int);
void mivex_wait_for_completion();
int mivex_pause();
int mivex_resume();
int mivex_stop();
int mivex_get_play_status();
// 1 when the clip opened last played to its end of file; 0 while it plays, or when it was
// stopped, closed or failed instead.
int mivex_reached_end();
double mivex_curr_play_time();
double mivex_duration();
// A fraction of the playing clip, also when it is one clip of a drive.
int mivex_seek_to(double fraction);

// Opens a drive's clips (`count`, at least two) as one timeline, from the start of clip
// `first`: the engine then goes from one clip into the next with nothing reopened. Time,
// duration, seeks and cues stay those of the clip playing. 0 when it cannot (then open the
// clip alone).
int mivex_open_drive(const char* const* paths, int count, int first);
// The clip of the open drive playing now (0 for a lone clip); the drive's clip count (0 for a
// lone clip); the length of one of its clips.
int mivex_drive_clip();
int mivex_drive_clip_count();
double mivex_drive_clip_length(int clip);
// Moves to `second` of the drive's clip `clip`, in one step.
int mivex_seek_in_drive(int clip, double second);
int mivex_set_play_speed(float factor);
// One frame on (forward non-zero) or back, while paused; 0 while playing or stopped.
int mivex_frame_step(int forward);
int mivex_grab_frame(const char* path);
// The frame shown now, kept in memory; null with no clip.
QImage mivex_grab_image();
void mivex_close();

// Another camera's clip of the open clip's moment, shown in its picture.
struct MivexChannel {
    const char* path;     // empty: a camera of the drive that recorded nothing of this moment
    double offsetSeconds; // its start after the open clip's start
    const char* name;     // the camera: "Rear", "Interior", ...
};

// Composes the channels into the open clip's picture, laid out as the current view says;
// one that cannot be opened keeps a placeholder. The open clip keeps the time and the
// sound. Call after mivex_open_file; the next open or close drops them. Returns how many
// channels were opened.
int mivex_add_channels(const MivexChannel* channels, int count);
// Lays the channels out anew (kept for the clips opened later too).
int mivex_set_channel_view(const ChannelView& view);
ChannelView mivex_channel_view();
// Where each channel sits in the picture; a single cell without channels.
ChannelCanvas mivex_channel_canvas();

// Play status values of mivex_get_play_status.
inline constexpr int kMivexPlaying = 1;
inline constexpr int kMivexPaused = 2;
inline constexpr int kMivexStopped = 4;
