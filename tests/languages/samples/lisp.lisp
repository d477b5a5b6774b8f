;; Adds two numbers.
(defun add (a b &optional (c 0))
  "Returns the sum."
  (let ((total (+ a b c)))
    (format t "~a~%" total)
    total))
#| a block
   comment |#
(defvar *limit* 10)
(print :done)
