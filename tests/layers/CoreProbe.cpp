// An empty program linked against one core library: its link line is that
// library's link interface, which the layer check reads back from the result.
int main()
{
    return 0;
}
