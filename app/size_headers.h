#pragma once
// The announced size in a raw header text, as a header request returns it. Needs no
// toolkit and no network.
//
// Thread safety: reads only the loaded texts; safe on any thread.
#include <cstdint>

#include "text.h"

// The length announced by a raw header text: the first length header of the last
// response (a redirect chain holds one header block per response); the header name is
// compared ignoring case. 0 when there is none.
int64_t RemoteSizeFromHeaders(TextView headers);
