// The baseline of bench/startup.sh: a bare SDL window with an OpenGL
// compatibility context, the game's size, that presents one cleared frame and
// prints the wall-clock time of it as the game does with
// GO3D_EXIT_AFTER_FIRST_FRAME.

#include <SDL.h>
#include <epoxy/gl.h>

#include <cstdio>
#include <ctime>

int main(int, char**)
{
    if (SDL_Init(SDL_INIT_VIDEO) != 0)
    {
        std::fprintf(stderr, "no video: %s\n", SDL_GetError());
        return 1;
    }
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
    SDL_Window* window = SDL_CreateWindow("bare", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, 1024, 768,
                                          SDL_WINDOW_OPENGL | SDL_WINDOW_SHOWN);
    SDL_GLContext context = window ? SDL_GL_CreateContext(window) : nullptr;
    if (!context)
    {
        std::fprintf(stderr, "no OpenGL context: %s\n", SDL_GetError());
        if (window)
            SDL_DestroyWindow(window);
        SDL_Quit();
        return 1;
    }
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    SDL_GL_SwapWindow(window);
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    std::fprintf(stderr, "first frame presented at %lld.%06ld\n", static_cast<long long>(now.tv_sec),
                 now.tv_nsec / 1000);
    // After the stamp, so that the time measured is the same.
    SDL_GL_DeleteContext(context);
    SDL_DestroyWindow(window);
    SDL_Quit();
    return 0;
}
