{ a comment
  over two lines } procedure P; { and // is not one } begin end;
