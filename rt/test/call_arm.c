/* An "initialize by calling" function in Arm state. */
void record_call(unsigned number);

void call_arm(void)
{
    record_call(2);
}
