// The movie-host factory.
#include "ui/MovieHost.h"

namespace
{

TMovieHostFactory& Factory()
{
    static TMovieHostFactory factory;
    return factory;
}

}  // namespace

void SetMovieHostFactory(TMovieHostFactory factory)
{
    Factory() = std::move(factory);
}

std::unique_ptr<TMovieHost> MakeMovieHost(const TString& movieName)
{
    const TMovieHostFactory& factory = Factory();
    return factory ? factory(movieName) : nullptr;
}
