/* An "initialize by calling" function in Thumb state. */
void record_call(unsigned number);

void call_thumb(void)
{
    record_call(1);
}
