C     Computes a sum.
      PROGRAM DEMO
      INTEGER I, TOTAL
      TOTAL = 0
      DO 10 I = 1, 10
         TOTAL = TOTAL + ABS(I)
   10 CONTINUE
      PRINT *, 'TOTAL: ', TOTAL
      END
