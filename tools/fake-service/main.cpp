int main()
{
    return 1; // the server is being built
}
