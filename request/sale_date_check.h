#pragma once

// The warning line for a sale date that has none of the forms YYYY, YYYY-mm and YYYY-mm-dd,
// or nullptr when the text passes. Only the byte length and the places of the hyphens count:
// any four bytes pass, seven bytes need their first hyphen at byte 5, ten bytes need it at
// byte 5 and the first hyphen from byte 7 on at byte 8; every other length gets the warning.
const char* SaleDateWarning(const char* text);
