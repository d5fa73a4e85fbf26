function F: Integer;
begin
  Result := clSilver - clLtGray + clRed;
end;
