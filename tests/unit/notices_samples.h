// Notices resources of the unit test program beside the shipped one (280).
#pragma once

#define IDR_SAMPLE_NO_MARK_LF 9801
#define IDR_SAMPLE_MARK_CRLF 9802
#define IDR_SAMPLE_MARK_ONLY 9803
#define IDR_SAMPLE_MISSING 9899
