/* A direct call from Thumb code to an Arm function: on ARMv4T, which has
   no BLX, only a veneer can make that call. */
int arm_helper(int x);

int thumb_entry(int x)
{
    return arm_helper(x) + 1;
}
