// Numbers of the resources that are not skin bitmaps (those use the window model's Skin
// values). Plain defines: the resource compiler reads this file too.
#pragma once

#define IDI_TUNOVAR 1
#define IDC_TUNOVAR_POINTER 100
