#pragma once
#include <cstdint>

class sc_Movie;

// Starts a movie full screen on the scene's player (these two live with the
// scene; the pair below needs nothing but the player). The scene's
// movie-playing flag becomes 1 whether or not the movie opened: the next
// frame's update clears it again when nothing plays.
void v_PlayMovie(const char* pName);

// Stops and releases the movie; the flag becomes 0 even without a movie.
void v_StopMovie();

// The same on any player and flag.
void v_PlayMovie(sc_Movie& movie, int32_t& movieFlag, const char* pName);
void v_StopMovie(sc_Movie& movie, int32_t& movieFlag);
