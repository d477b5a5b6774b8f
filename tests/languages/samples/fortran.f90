! Computes a sum.
program demo
    implicit none
    integer :: i, total
    real :: x = 1.5e0
    total = 0
    do i = 1, 10
        total = total + abs(i)
    end do
    print *, 'total: ', total, x
end program demo
