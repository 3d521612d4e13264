#pragma once
// The two popups the main frame shows: memory crossed the critical limit, and
// memory was optimized. Same size, timing and layout; they differ in the
// colour of the frame and in the message, which on the critical-limit popup is
// a link that starts an optimization. The green one adds what the run freed
// on a second line when that is known, a link to the run's history. Each popup's window text is its whole
// message, for screen readers.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "toolkit/popup/popup_content.h"

namespace qmo {

inline constexpr int kNotificationPopupWidth = 270;
inline constexpr int kNotificationPopupHeight = 128;
inline constexpr int kOptimizeLinkId = 100;
inline constexpr int kHistoryLinkId = 101;
inline constexpr int kPopupCloseButtonId = -1;

// "The system has crossed critical limit 80% ", the limit signed as set.
std::string CriticalLimitMessage(int limitPercent);

// `details`, when there are any, are lines under the message that help: who
// holds the most committed memory, when its limit comes. The message is the
// link that optimizes, unless the organisation allows automatic runs only.
PopupContent BuildCriticalLimitPopup(int limitPercent, const std::vector<std::string>& details = {},
                                     bool offerOptimization = true);
PopupContent BuildOptimizedPopup(std::optional<std::uint64_t> freedBytes = std::nullopt);

enum class PopupClickAction { StartOptimization, ShowHistory, CloseNow };

// What the frame does when an element of either popup is clicked: the
// critical-limit link starts an optimization and leaves the popup to run
// out; the freed line shows the history; anything else, the close button or
// the popup's body, closes it at once.
PopupClickAction PopupClickActionFor(int elementId);

}  // namespace qmo
