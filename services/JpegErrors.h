#pragma once
// libjpeg reports fatal errors through error_exit, which must not return: it
// jumps back to the coding call with the message kept. Warnings are silent.
// Shared by the JPEG reader and writer.

#include <csetjmp>
#include <cstdio>

#include <jpeglib.h>

struct TJpegErrorManager {
    jpeg_error_mgr Public;
    std::jmp_buf Return;
    char Message[JMSG_LENGTH_MAX];
};

inline void JpegErrorExit(j_common_ptr info) {
    auto* errors = reinterpret_cast<TJpegErrorManager*>(info->err);
    (*info->err->format_message)(info, errors->Message);
    std::longjmp(errors->Return, 1);
}

inline void JpegSilentMessage(j_common_ptr) {}
