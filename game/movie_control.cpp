#include "game/movie_control.h"

#include "engine/device/direct2d.h"
#include "engine/device/movie.h"

void v_PlayMovie(sc_Movie& movie, int32_t& movieFlag, const char* pName) {
    movie.vSetDirectDraw(ss_MovieSurface::oScreen());
    movie.vSetRect(0, 0, g_oScreenSize.x, g_oScreenSize.y);
    movie.bOpen(pName);
    movie.bPlay();
    movieFlag = 1;
}

void v_StopMovie(sc_Movie& movie, int32_t& movieFlag) {
    movie.bStop();
    movie.vRelease();
    movieFlag = 0;
}
