// The movie host the window script plays splash movies through, and the
// factory that makes one. The services above the window system fill the
// factory at start-up; while it is empty no host is made and no movie
// starts.
#pragma once

#include <functional>
#include <memory>

#include "core/String.h"

class TMovieHost
{
public:
    virtual ~TMovieHost() = default;
    // Starts the movie at frame; translate and allowInput are the host's
    // business. False when it cannot play.
    virtual bool Play(int frame, bool translate, bool allowInput) = 0;
    virtual bool IsPlaying() const = 0;
    virtual void Stop() = 0;
};

// A host for the named movie, or null.
using TMovieHostFactory = std::function<std::unique_ptr<TMovieHost>(const TString& movieName)>;

void SetMovieHostFactory(TMovieHostFactory factory);
// Null when no factory was set or it gave none.
std::unique_ptr<TMovieHost> MakeMovieHost(const TString& movieName);
