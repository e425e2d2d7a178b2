// Entry of the link-check programs: the check is that the program links at
// all; running it only confirms it starts.
int main()
{
    return 0;
}
