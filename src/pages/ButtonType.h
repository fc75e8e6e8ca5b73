#pragma once

// What a page asks of the wizard controller when one of its buttons is pressed.
enum class ButtonType : int { Next = 0, Accept = 1, Close = 2, Decline = 3, Finish = 4, Back = 5, SkipAll = 6 };
