procedure P
