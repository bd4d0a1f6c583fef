#pragma once

namespace orb::skin {

inline constexpr const char* kVerticalUp = ":/bitmaps/vscroll_up.png";
inline constexpr const char* kVerticalTrack = ":/bitmaps/vscroll_track.png";
inline constexpr const char* kVerticalDown = ":/bitmaps/vscroll_down.png";
inline constexpr const char* kVerticalThumb = ":/bitmaps/vscroll_thumb.png";
inline constexpr const char* kCorner = ":/bitmaps/scroll_corner.png";
inline constexpr const char* kHorizontalLeft = ":/bitmaps/hscroll_left.png";
inline constexpr const char* kHorizontalTrack = ":/bitmaps/hscroll_track.png";
inline constexpr const char* kHorizontalRight = ":/bitmaps/hscroll_right.png";
inline constexpr const char* kHorizontalThumb = ":/bitmaps/hscroll_thumb.png";
inline constexpr const char* kSliderChannel = ":/bitmaps/slider_channel.png";
inline constexpr const char* kSliderChannelDisabled = ":/bitmaps/slider_channel_disabled.png";
inline constexpr const char* kSliderThumb = ":/bitmaps/slider_thumb.png";
inline constexpr const char* kSliderThumbDisabled = ":/bitmaps/slider_thumb_disabled.png";

} // namespace orb::skin
